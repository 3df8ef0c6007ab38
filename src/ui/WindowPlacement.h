#pragma once

class QWidget;

// Puts a top-level window in the middle of the screen it will appear on.
void CenterOnScreen(QWidget* window);
