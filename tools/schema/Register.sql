-- Stays: one row per stay; an empty check-out means the guest is still in.
-- A rollback journal, not WAL: the program commits across its three files atomically.
PRAGMA journal_mode = DELETE;
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
-- The running stays by room and guest, and the whole history by guest name:
-- the desk finds a stay without reading the history.
CREATE INDEX [ix_register_open] ON [register]([房间号], [姓名]) WHERE [退房日期] IS NULL;
CREATE INDEX [ix_register_name] ON [register]([姓名]);
-- The search of the guest records by ID number.
CREATE INDEX [ix_register_idnumber] ON [register]([证件号]);
