-- The site file korvu.sit that ships beside the program: one row per saved
-- site. The site manager finds the site name by its position (1) and every
-- other column by its name, so keep the order and the names.
-- Port and time-out are text ("21", "30" for a new site); the two check box
-- columns hold 0 (unchecked), 1 (checked) or 2 (grayed). "字符集", the
-- encoding of the server's file names, holds "自动", "UTF-8" or "GBK"; empty
-- means "自动". "加密" holds the site manager's text of the encryption
-- (plain FTP, TLS if the server offers it, TLS required, implicit TLS);
-- empty means plain FTP. "协议" holds "FTP" or "SFTP" (SSH); empty means
-- FTP. "密钥文件" is the private key an SFTP site logs in with; empty: none.
-- These four came last and stay last, in this order: files made before
-- them get them appended when opened.
CREATE TABLE mysit (
    "编号" INTEGER PRIMARY KEY AUTOINCREMENT,
    "站点名称" TEXT,
    "站点地址" TEXT,
    "端口" TEXT,
    "用户名" TEXT,
    "密码" TEXT,
    "传输类型" TEXT,
    "超时" TEXT,
    "被动模式" INTEGER,
    "匿名" INTEGER,
    "字符集" TEXT,
    "加密" TEXT,
    "协议" TEXT,
    "密钥文件" TEXT
);
