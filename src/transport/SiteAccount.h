#pragma once
// Points a transfer component at the group's site: its host, the group's
// FTP account, and the proxy the member chose at login (or none).

class Inet;

void UseSiteAccount(Inet& inet);
