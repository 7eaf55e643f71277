-- Tables of the property-management database that this tool reads and writes, for setting up a
-- test server (sqlcmd -S host -U user -P password -d database -i db/sqlserver.sql).
-- The company's own database already has them; run this only on an empty test database.
CREATE TABLE 设置管理处 (GYD_DH NVARCHAR(20) NOT NULL PRIMARY KEY, GYD_Name NVARCHAR(100) NULL, 商用物业 INT NULL);
CREATE TABLE 楼表 (L_ID INT NOT NULL PRIMARY KEY, 管理处 NVARCHAR(20) NULL,
                   地址1 NVARCHAR(50) NULL, 字1 NVARCHAR(10) NULL, 地址2 NVARCHAR(50) NULL, 字2 NVARCHAR(10) NULL,
                   地址3 NVARCHAR(50) NULL, 字3 NVARCHAR(10) NULL, 地址4 NVARCHAR(50) NULL, 字4 NVARCHAR(10) NULL);
CREATE INDEX IX_楼表_管理处 ON 楼表 (管理处);
CREATE TABLE 室表 (S_ID INT NOT NULL PRIMARY KEY, L_ID INT NOT NULL, 室 NVARCHAR(20) NULL, 字 NVARCHAR(10) NULL);
CREATE INDEX IX_室表_L_ID ON 室表 (L_ID);
CREATE TABLE 业主表 (ZH_ID INT NOT NULL PRIMARY KEY, S_ID INT NOT NULL, 姓名 NVARCHAR(50) NULL, 进户日期 DATETIME NULL,
                    说明 NVARCHAR(20) NULL, 业主编号 NVARCHAR(30) NULL);
CREATE INDEX IX_业主表_S_ID ON 业主表 (S_ID);
CREATE TABLE SystemSetup (Code NVARCHAR(50) NOT NULL, Value NVARCHAR(200) NULL);
CREATE TABLE 岗位权限设置 (id INT NOT NULL PRIMARY KEY, 组代号 NVARCHAR(20) NULL, 岗位代号 NVARCHAR(20) NULL, 授权 INT NULL);
CREATE TABLE GroupPrivilege (GroupID NVARCHAR(20) NULL, FormName NVARCHAR(50) NULL, Popedom BIT NULL, Memo NVARCHAR(50) NULL);
