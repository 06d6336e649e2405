-- Hotel.db as the first release left it: its schema, in WAL mode, and rows the
-- program wrote. A later version must open it with every row.
PRAGMA journal_mode = WAL;
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
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
INSERT INTO house VALUES('101',1,'80',0,0,NULL,2,1,'2024-03-05 14:00:00.000','2024-03-05 16:30:00.000','标准间，朝南');
INSERT INTO house VALUES('102',0,'120.50',0,0,NULL,0,0,NULL,NULL,'');
INSERT INTO house VALUES('201',0,'200',1,1,'2024-03-06 00:00:00.000',0,0,NULL,NULL,'套房');
COMMIT;
