#pragma once

// The icon theme Korvu draws its toolbar, status and file icons from.
class IconTheme
{
public:
    // Keeps the desktop's theme; without one (a bare X server, a minimal
    // session) uses Adwaita, which Korvu's packages install.
    static void ensure();
};
