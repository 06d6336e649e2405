-- Rooms: one row per room. SQLite's rowid is the hidden key.
-- A rollback journal, not WAL: the program commits across its three files atomically.
PRAGMA journal_mode = DELETE;
CREATE TABLE [house] (
  [房间号]   VARCHAR(255) NOT NULL DEFAULT '',
  [住房]     BIT NOT NULL DEFAULT 0,
  [房价]     VARCHAR(255) NOT NULL DEFAULT '',
  [打扫]     BIT NOT NULL DEFAULT 0,
  [定房]     BIT NOT NULL DEFAULT 0,
  [定房日期] TIMESTAMP,
  [房间人数] TINYINT NOT NULL DEFAULT 0,
  [钟点房]   BIT NOT NULL DEFAULT 0,
  [钟点开始] TIMESTAMP,
  [钟点结束] TIMESTAMP,
  [房间介绍] VARCHAR(255) NOT NULL DEFAULT ''
);
-- A room is found by its number, and the board lists the rooms in that order.
CREATE INDEX [ix_house_room] ON [house]([房间号]);
