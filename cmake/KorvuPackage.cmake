# The Debian package korvu_VERSION_ARCH.deb, made by CPack from the install
# rules (scripts/package runs it and checks the result with lintian).
#
# Its dependencies are the shared libraries the programs link, as
# dpkg-shlibdeps finds them, and what Korvu loads at run time, which no
# linker sees: Qt's platform plugins (a window at all), Qt's SQLite driver
# (the site file) and Qt's Chinese translation (its own buttons and menus).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Korvu developers <korvu-support@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The package is built in the build folder, next to what it is made from.
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-translations-l10n")
# A font with Chinese glyphs, the icon theme of the file lists (SVG icons
# need Qt's SVG module) and xdg-open, which opens the help and files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, adwaita-icon-theme, libqt6svg6, xdg-utils")

# The summary line comes first; CPack indents the body and turns its empty
# line into the " ." that parts paragraphs. The body holds the English text
# and the Chinese one.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-pane FTP client with a Chinese user interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvu shows a local folder on the left and the current folder of an FTP
server on the right, and copies files and whole folders between them by
toolbar, menu, double-click or drag and drop, asking what to do with files
already there (overwrite, rename, resume, skip). It keeps named servers in
a site manager, speaks FTP over TLS, and reads UTF-8 and GBK file names.
The package also holds korvu-ftp, a command-line client on the same FTP
engine, for scripts.

Korvu 是一个中文界面的双窗格 FTP 客户端：左边显示本机的文件夹，右边显示
FTP 服务器上的当前文件夹，用工具栏、菜单、双击或拖放在两边之间复制文件和
整个文件夹，遇到同名文件时可以选择覆盖、更名、续传或跳过。站点管理器保存
常用的服务器，支持 TLS 加密连接以及 UTF-8 和 GBK 文件名。软件包还包括
korvu-ftp：使用同一 FTP 引擎的命令行客户端，适合在脚本中使用。")

include(CPack)
