-- SPDX-License-Identifier: GPL-2.0-or-later
-- The example member list: 3,000 members of a numerology circle, made at build time into
-- members.db beside members.form. The rows come from a recursive query, so that the same
-- database is made on every machine.
PRAGMA journal_mode = OFF;
BEGIN;
CREATE TABLE first_names (n INTEGER PRIMARY KEY, name VARCHAR(12) NOT NULL);
INSERT INTO first_names (n, name) VALUES
  (0, 'ANNA'), (1, 'JOHN'), (2, 'MARY'), (3, 'PETER'), (4, 'LUCY'), (5, 'OMAR'),
  (6, 'GRETA'), (7, 'IVAN'), (8, 'NORA'), (9, 'HUGO'), (10, 'ELLA'), (11, 'RUBEN'),
  (12, 'SOFIA'), (13, 'MILES'), (14, 'INES'), (15, 'KAI');
CREATE TABLE last_names (n INTEGER PRIMARY KEY, name VARCHAR(14) NOT NULL);
INSERT INTO last_names (n, name) VALUES
  (0, 'RIVER'), (1, 'STONE'), (2, 'FIELD'), (3, 'MARSH'), (4, 'BROOK'), (5, 'HILL'),
  (6, 'WOOD'), (7, 'LAKE'), (8, 'FORD'), (9, 'MOOR'), (10, 'DALE'), (11, 'GLEN'),
  (12, 'VALE'), (13, 'HEATH'), (14, 'CLIFF'), (15, 'SHAW'), (16, 'WELLS');
CREATE TABLE cities (n INTEGER PRIMARY KEY, name VARCHAR(16) NOT NULL);
INSERT INTO cities (n, name) VALUES
  (0, 'Aberdeen'), (1, 'Bruges'), (2, 'Cordoba'), (3, 'Delft'), (4, 'Evora'),
  (5, 'Florence'), (6, 'Graz'), (7, 'Haarlem'), (8, 'Innsbruck'), (9, 'Jena'), (10, 'Krakow');

CREATE TABLE members (
  member_no INTEGER PRIMARY KEY,
  name VARCHAR(30) NOT NULL,
  city VARCHAR(16),
  joined VARCHAR(10),
  life_number SMALLINT,
  dues CURRENCY,
  readings INTEGER,
  notes MEMO
);
WITH RECURSIVE seq(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM seq WHERE i < 3000)
INSERT INTO members (member_no, name, city, joined, life_number, dues, readings, notes)
SELECT 10000 + i,
       (SELECT name FROM first_names WHERE n = (i * 7) % 16) || ' ' ||
         (SELECT name FROM last_names WHERE n = (i * 11) % 17),
       (SELECT name FROM cities WHERE n = (i * 5) % 11),
       printf('%04d-%02d-%02d', 1990 + i % 35, 1 + i % 12, 1 + i % 28),
       1 + (i * 13) % 9,
       round(12 + ((i * 37) % 500) / 4.0, 2),
       (i * 29) % 40,
       CASE WHEN i % 10 = 0 THEN 'Asked for a reading of the whole family.' END
FROM seq;
CREATE INDEX members_by_name ON members (name);
CREATE INDEX members_by_city ON members (city, name);
CREATE INDEX members_by_dues ON members (dues);
DROP TABLE first_names;
DROP TABLE last_names;
DROP TABLE cities;
COMMIT;
