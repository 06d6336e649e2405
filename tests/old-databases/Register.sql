-- Register.db as the first release left it: its schema, in WAL mode, and rows the
-- program wrote. A later version must open it with every row.
PRAGMA journal_mode = WAL;
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE [register] (
  [ID]           INTEGER PRIMARY KEY AUTOINCREMENT,
  [房间号]       VARCHAR(255) NOT NULL DEFAULT '',
  [姓名]         VARCHAR(255) NOT NULL DEFAULT '',
  [性别]         BIT NOT NULL DEFAULT 0,
  [民族]         VARCHAR(255) NOT NULL DEFAULT '',
  [出生年月]     TIMESTAMP,
  [住房日期]     TIMESTAMP,
  [退房日期]     TIMESTAMP,
  [证件号]       VARCHAR(255) NOT NULL DEFAULT '',
  [籍贯]         VARCHAR(255) NOT NULL DEFAULT '',
  [本人职务备注] VARCHAR(255) NOT NULL DEFAULT '',
  [交钱]         VARCHAR(255) NOT NULL DEFAULT '',
  [押金]         VARCHAR(255) NOT NULL DEFAULT ''
);
INSERT INTO register VALUES(1,'101','张三',0,'汉','1990-01-01 00:00:00.000','2024-03-05 14:00:00.000',NULL,'110105199001010011','北京市朝阳区建国路1号','出差','200','100');
INSERT INTO register VALUES(2,'101','李四',1,'回','1985-12-31 00:00:00.000','2024-03-01 09:15:00.000','2024-03-03 11:00:00.000','11010519851231002X','上海市','','80','0');
DELETE FROM sqlite_sequence;
INSERT INTO sqlite_sequence VALUES('register',2);
COMMIT;
