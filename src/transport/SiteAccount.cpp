#include "SiteAccount.h"

#include "Inet.h"
#include "SiteConfig.h"
#include "app/GlobalState.h"

void UseSiteAccount(Inet& inet)
{
    inet.Host = SiteConfig::Host();
    inet.UserName = SiteConfig::FtpUserName();
    inet.Password = SiteConfig::FtpPassword();
    if (modSkiff::ProxyServer.isEmpty()) {
        inet.Proxy.clear();
        inet.AccessType = icDirect;
    } else {
        inet.Proxy = modSkiff::ProxyServer;
        inet.AccessType = icNamedProxy;
    }
}
