-- The configuration database "fe_content": dictionaries and dictionary groups.
-- Accepted by SQLite and by MariaDB as written; meant for a new, empty
-- database. Raise the version and describe the change whenever a table or
-- column changes.
--
-- Version 1: fe_dict_item, fe_dict_group_dictionaries.

CREATE TABLE fe_schema_version (
  version INTEGER NOT NULL PRIMARY KEY
);
INSERT INTO fe_schema_version (version) VALUES (1);

-- One row per pattern of a dictionary. The loader reads the rows of one
-- dict_name in ascending item_no order. Numeric columns are plain integers
-- wider than the fields they feed: the loader keeps the low bits of each
-- (16 bits for type, weight and maximum weight; 8 bits for area, limit flag
-- and status) and skips a row whose kept status or weight is 0. Patterns
-- longer than 255 bytes are cut to 255.
CREATE TABLE fe_dict_item (
  dict_name          VARCHAR(255) NOT NULL,
  item_no            INTEGER      NOT NULL,
  -- the word, wildcard pattern or regular expression (ignored by the
  -- identifier detectors, types 256 to 273)
  pattern            TEXT         NOT NULL,
  -- 1 regular expression, 3 plain word or phrase, 256..273 identifier
  -- detectors, anything else wildcard
  pattern_type       INTEGER      NOT NULL DEFAULT 3,
  -- score of one counted match
  pattern_weight     INTEGER      NOT NULL DEFAULT 1,
  -- message areas, a bit mask over part kinds (1, 2 and 8: 11)
  pattern_scan_area  INTEGER      NOT NULL DEFAULT 11,
  -- cap on the item's score in one scan, applied when pattern_max_limit is
  -- not 0
  pattern_max_weight INTEGER      NOT NULL DEFAULT 0,
  pattern_max_limit  INTEGER      NOT NULL DEFAULT 0,
  -- 0: disabled
  pattern_status     INTEGER      NOT NULL DEFAULT 1,
  PRIMARY KEY (dict_name, item_no)
);

-- The member dictionaries of a group. member_no only keys the row: members
-- are loaded in the order the database returns them, and a group may name
-- one dictionary more than once.
CREATE TABLE fe_dict_group_dictionaries (
  group_name VARCHAR(255) NOT NULL,
  member_no  INTEGER      NOT NULL,
  dict_name  VARCHAR(255) NOT NULL,
  PRIMARY KEY (group_name, member_no)
);
