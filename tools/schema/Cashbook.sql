-- Cash book: one row per money movement.
-- A rollback journal, not WAL: the program commits across its three files atomically.
PRAGMA journal_mode = DELETE;
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
