-- Tables of the property-management database that this tool reads and writes (embedded demo copy).
CREATE TABLE 设置管理处 (GYD_DH TEXT NOT NULL PRIMARY KEY, GYD_Name TEXT, 商用物业 INTEGER);
CREATE TABLE 楼表 (L_ID INTEGER NOT NULL PRIMARY KEY, 管理处 TEXT, 地址1 TEXT, 字1 TEXT, 地址2 TEXT, 字2 TEXT,
                   地址3 TEXT, 字3 TEXT, 地址4 TEXT, 字4 TEXT);
CREATE INDEX IX_楼表_管理处 ON 楼表 (管理处);
CREATE TABLE 室表 (S_ID INTEGER NOT NULL PRIMARY KEY, L_ID INTEGER NOT NULL, 室 TEXT, 字 TEXT);
CREATE INDEX IX_室表_L_ID ON 室表 (L_ID);
CREATE TABLE 业主表 (ZH_ID INTEGER NOT NULL PRIMARY KEY, S_ID INTEGER NOT NULL, 姓名 TEXT, 进户日期 TEXT, 说明 TEXT,
                    业主编号 TEXT);
CREATE INDEX IX_业主表_S_ID ON 业主表 (S_ID);
CREATE TABLE SystemSetup (Code TEXT NOT NULL, Value TEXT);
CREATE TABLE 岗位权限设置 (id INTEGER NOT NULL PRIMARY KEY, 组代号 TEXT, 岗位代号 TEXT, 授权 INTEGER);
CREATE TABLE GroupPrivilege (GroupID TEXT, FormName TEXT, Popedom INTEGER, Memo TEXT);
