-- Cashbook.db as the first release left it: its schema, in WAL mode, and rows the
-- program wrote. A later version must open it with every row.
PRAGMA journal_mode = WAL;
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE [cashbook] (
  [ID]       INTEGER PRIMARY KEY AUTOINCREMENT,
  [房间号]   VARCHAR(255) NOT NULL DEFAULT '',
  [姓名]     VARCHAR(255) NOT NULL DEFAULT '',
  [时间]     TIMESTAMP,
  [交钱]     VARCHAR(255) NOT NULL DEFAULT '',
  [押金]     VARCHAR(255) NOT NULL DEFAULT '',
  [交易金额] VARCHAR(255) NOT NULL DEFAULT '',
  [状态]     BIT NOT NULL DEFAULT 0
);
INSERT INTO cashbook VALUES(1,'101','李四','2024-03-03 11:00:00.000','80.000000','0.000000','160.000000',1);
INSERT INTO cashbook VALUES(2,'102','王五','2024-02-01 12:00:00.000','100.000000','50.000000','120.500000',0);
DELETE FROM sqlite_sequence;
INSERT INTO sqlite_sequence VALUES('cashbook',2);
COMMIT;
