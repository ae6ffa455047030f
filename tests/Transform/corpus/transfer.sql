-- A source database for `transfer`: every type family, awkward values,
-- sequences, a foreign-key chain and a cycle, partitions, a trigger writing
-- audit rows, routines with ";" in their bodies, a view. Statements end at
-- lines holding only "--;"; a line "--@ N" makes the rest of the file need
-- that major version.
CREATE SCHEMA "Träns Fer"
--;
CREATE TYPE "Träns Fer".mood AS ENUM ('sad', 'o''k', 'happy')
--;
CREATE DOMAIN "Träns Fer".posint AS integer CONSTRAINT positive CHECK (VALUE > 0)
--;
CREATE TYPE "Träns Fer".pair_t AS (a integer, "b c" text)
--;
CREATE SEQUENCE "Träns Fer".tickets AS integer START WITH 100 INCREMENT BY 7
--;
CREATE TABLE "Träns Fer".types (
  id int PRIMARY KEY, i2 smallint, i8 bigint, num numeric, num_fixed numeric(30,10),
  cash money, f4 real, f8 double precision, yes boolean, ch char(3), vc varchar(12),
  bin bytea, uid uuid, tz timestamptz, ts timestamp, day date, tod time, todz timetz,
  span interval, ints int[], grid int[], texts text[], doc json, docb jsonb,
  feeling "Träns Fer".mood, feelings "Träns Fer".mood[], size "Träns Fer".posint,
  pair "Träns Fer".pair_t, bits bit(4), vbits bit varying(8), ip inet, net cidr,
  mac macaddr, ir int4range, nr numrange, dr daterange, tr tstzrange, pt point,
  words tsvector)
--;
INSERT INTO "Träns Fer".types VALUES
 (1, -32768, 9223372036854775807, 'NaN', 12345678901234567890.0123456789, '1234.56', 'NaN',
  'Infinity', true, 'ab', 'it''s', '\x00ff27225c0a', 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11',
  '2024-02-29 12:34:56.123456+05:30', '2024-02-29 12:34:56.123456', '2024-02-29',
  '23:59:59.999999', '12:00:00+05:30', '1 day 02:03:04.5', '{1,NULL,3}', '{{1,2},{3,4}}',
  '{"a,b","c\"d",NULL,"","NULL"}', '{"k": "v''s", "k": [1, 2.5, null]}',
  '{"k": "v''s", "n": [1, 2.5, null], "u": "\u00e9"}', 'o''k', '{sad,"o''k"}', 7,
  ROW(1, 'x,"y'), B'1010', B'1', '192.168.0.1/24', '10.0.0.0/8', '08:00:2b:01:02:03',
  '[1,5)', '(,1.5]', '[2024-01-01,2024-02-01)', '[2024-01-01 00:00+00,infinity)',
  '(1.5,2.25)', 'a fat cat;s tab')
--;
INSERT INTO "Träns Fer".types VALUES
 (2, 0, -9223372036854775808, -0.0000000001, -0.5, '-0.01', 3.4028235e38, '-Infinity', false,
  '', '', '', '00000000-0000-0000-0000-000000000000', 'infinity', '-infinity', 'infinity',
  '00:00', '00:00:00-08', '-3 mons', '{}', '[0:1]={7,8}', '{}', '[]', '{}', 'sad', '{}', 1,
  ROW(NULL, ''), B'0000', B'', '::1', '2001:db8::/32', 'ff:ff:ff:ff:ff:ff', 'empty', 'empty',
  'empty', 'empty', '(-0,0)', '')
--;
INSERT INTO "Träns Fer".types VALUES
 (3, 1, 1, 1.50, 0.0000000001, '0', 0.1, 1.0000000000000002, NULL, 'x y', 'tab	in',
  convert_to('héllo', 'UTF8'), 'ffffffff-ffff-ffff-ffff-ffffffffffff',
  '1999-12-31 23:59:59.999999-08', '0044-03-15 12:00:00 BC', '0044-03-15 BC', '24:00',
  '24:00:00+14', '1 year 2 mons -3 days 04:05:06.789', '{-2147483648}', '{{NULL}}',
  '{"back\\slash","new\nline"}', '"<&>"', '"<&>"', 'happy', '{NULL}', 2147483647,
  ROW(-1, NULL), B'1111', B'10101010', '0.0.0.0/0', '0.0.0.0/0', '00:00:00:00:00:00',
  '[-10,-5]', '[0.000001,1e20)', '[,2000-01-01)', '(,)', '(0.5,-1024)', 'ünï:1A')
--;
INSERT INTO "Träns Fer".types VALUES
 (4, NULL, NULL, 1e-20, 0, '-92233720368547758.08', 1.17549435e-38, 1e-300, true, NULL, 'ünï',
  '\x5c2e0a', NULL, '2000-01-01 00:00:00+00', NULL, NULL, NULL, NULL, '00:00:00.000001',
  NULL, NULL, '{" padded ","\\N","\\."}', 'null', 'null', NULL, NULL, NULL, NULL, NULL, NULL,
  NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)
--;
INSERT INTO "Träns Fer".types VALUES
 (5, 5, 5, -0.0, 0.1, '92233720368547758.07', -0, -0.0, false, 'ü', 'emoji 😀', '\x00',
  'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a12', '2024-06-30 23:59:60+00', '2024-06-30 23:59:59',
  '5874897-12-31', '12:00', '12:00:00-15:59', '-178000000 years', '{0}', '{}', '{""}',
  '{"a": {"b": [true, false]}}', '{"a": {"b": [true, false]}}', 'happy', '{happy,sad}', 5,
  ROW(0, 'a;b'), B'0101', B'0', '10.1.2.3', '10.1.2.3/32', '01:02:03:04:05:06', '[5,6)',
  '[1.0,1.00]', 'empty', '[2024-01-01 00:00:00.000001+00,2024-01-01 00:00:00.000002+00]',
  '(0,0)', 'x')
--;
INSERT INTO "Träns Fer".types (id) VALUES (6)
--;
CREATE TABLE "Träns Fer".awkward (id int PRIMARY KEY, label text, ratio double precision, note varchar(100))
--;
INSERT INTO "Träns Fer".awkward VALUES
 (1, NULL, 'NaN', ''), (2, '', 'Infinity', NULL), (3, '   ', '-Infinity', ' '),
 (4, '''', 1.0000000000000002, '"'), (5, '"', 1e-300, '""'), (6, 'a"', 0.1, 'x,'),
 (7, E'\n', -0.0, E'\r'), (8, E'line one\r\nline two', 5e-324, 'a|b'),
 (9, '<&>', 1.7976931348623157e308, '<script>alert(1)</script>'),
 (10, 'back\slash\\', 2.2250738585072014e-308, E'back\\slash'), (11, '中文字符', 123456789.123456789, 'ünï'),
 (12, 'emoji 😀', NULL, E'bell \x07 tab \t'), (13, ' padded ', 0, E'\x01\x02\x1f\x7f'),
 (14, '1); DELETE FROM t;--', 1, '$$;$$'), (15, '\N', 2, 'NULL'), (16, '\.', 3, E'a\n\\.\nb'),
 (17, E'\\.\n', 4, E'\t'), (18, 'end of data \.', 5, E'\\'), (19, repeat('m', 1048576), 6, 'big'),
 (20, repeat('ab;', 5000), 7, E'x\ty\nz')
--;
CREATE TABLE "Träns Fer".counter (n serial PRIMARY KEY, label text, ticket int DEFAULT nextval('"Träns Fer".tickets'))
--;
INSERT INTO "Träns Fer".counter (label) SELECT 'row ' || g FROM generate_series(1, 5) g
--;
DELETE FROM "Träns Fer".counter WHERE n > 3
--;
CREATE TABLE "Träns Fer".ident (id bigint GENERATED ALWAYS AS IDENTITY (START WITH 10 INCREMENT BY 5) PRIMARY KEY, label text)
--;
INSERT INTO "Träns Fer".ident (label) VALUES ('a'), ('b'), ('c')
--;
CREATE TABLE "Träns Fer".ident_default (id int GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, big bigserial, label text)
--;
INSERT INTO "Träns Fer".ident_default (label) SELECT 'row ' || g FROM generate_series(1, 4) g
--;
-- The chain runs leaf -> mid -> root: catalog order (and name order) puts
-- every child before its parent.
CREATE TABLE "Träns Fer".chain_leaf (id int PRIMARY KEY, mid_id int NOT NULL, label text)
--;
CREATE TABLE "Träns Fer".chain_mid (id int PRIMARY KEY, root_id int NOT NULL)
--;
CREATE TABLE "Träns Fer".chain_root (id int PRIMARY KEY, name text UNIQUE)
--;
ALTER TABLE "Träns Fer".chain_leaf ADD CONSTRAINT leaf_mid FOREIGN KEY (mid_id) REFERENCES "Träns Fer".chain_mid (id)
--;
ALTER TABLE "Träns Fer".chain_mid ADD CONSTRAINT mid_root FOREIGN KEY (root_id) REFERENCES "Träns Fer".chain_root (id) ON DELETE CASCADE
--;
INSERT INTO "Träns Fer".chain_root SELECT g, 'root ' || g FROM generate_series(1, 10) g
--;
INSERT INTO "Träns Fer".chain_mid SELECT g, g % 10 + 1 FROM generate_series(1, 50) g
--;
INSERT INTO "Träns Fer".chain_leaf SELECT g, g % 50 + 1, 'leaf ' || g FROM generate_series(1, 300) g
--;
CREATE TABLE "Träns Fer".ring_a (id int PRIMARY KEY, b_id int)
--;
CREATE TABLE "Träns Fer".ring_b (id int PRIMARY KEY, a_id int NOT NULL CONSTRAINT b_to_a REFERENCES "Träns Fer".ring_a (id) DEFERRABLE INITIALLY DEFERRED)
--;
ALTER TABLE "Träns Fer".ring_a ADD CONSTRAINT a_to_b FOREIGN KEY (b_id) REFERENCES "Träns Fer".ring_b (id)
--;
INSERT INTO "Träns Fer".ring_a SELECT g, NULL FROM generate_series(1, 20) g
--;
INSERT INTO "Träns Fer".ring_b SELECT g, 21 - g FROM generate_series(1, 20) g
--;
UPDATE "Träns Fer".ring_a SET b_id = id WHERE id % 3 <> 0
--;
CREATE TABLE "Träns Fer"."select" ("order" int PRIMARY KEY, "from" text, "Mixed Col" text, "user" int, "group" int REFERENCES "Träns Fer"."select" ("order"))
--;
INSERT INTO "Träns Fer"."select" VALUES (1, 'a', 'A', 1, NULL), (2, 'b', 'B', 2, 1), (3, 'c', NULL, NULL, 2)
--;
CREATE INDEX "Select By From" ON "Träns Fer"."select" ("from", "Mixed Col")
--;
CREATE TABLE "Träns Fer"."MixedCase ""Quoted"".Name" ("Id" int PRIMARY KEY, "Value" text)
--;
INSERT INTO "Träns Fer"."MixedCase ""Quoted"".Name" VALUES (1, 'one'), (2, 'two')
--;
CREATE TABLE "Träns Fer".measure (at date NOT NULL, v int, note text) PARTITION BY RANGE (at)
--;
CREATE TABLE "Träns Fer".measure_2024 PARTITION OF "Träns Fer".measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')
--;
CREATE TABLE "Träns Fer".measure_2025 PARTITION OF "Träns Fer".measure FOR VALUES FROM ('2025-01-01') TO ('2026-01-01')
--;
INSERT INTO "Träns Fer".measure SELECT date '2024-01-01' + g, g, 'm' || g FROM generate_series(0, 699) g
--;
CREATE TABLE "Träns Fer".audit_log (id serial PRIMARY KEY, order_id int, note text)
--;
CREATE FUNCTION "Träns Fer".audit_order() RETURNS trigger LANGUAGE plpgsql AS $fn$
BEGIN
  -- one audit row per new order; the note keeps a ";" and a '$$'
  INSERT INTO "Träns Fer".audit_log (order_id, note) VALUES (NEW.id, 'insert; ' || NEW.label || ' $$');
  RETURN NEW;
END;
$fn$
--;
CREATE FUNCTION "Träns Fer".describe(n int, OUT label text, OUT parts int) LANGUAGE plpgsql AS $$
DECLARE
  sep constant text := ';';
BEGIN
  label := 'n=' || n || sep || ' /* not; a comment */ ' || E'\';\'';
  parts := array_length(string_to_array(label, sep), 1); -- counts the ";" parts
END
$$
--;
CREATE FUNCTION "Träns Fer".twice(x numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS 'SELECT x * 2; '
--;
CREATE TABLE "Träns Fer".orders (id int PRIMARY KEY, legacy text, label text NOT NULL, qty int CONSTRAINT qty_not_negative CHECK (qty >= 0), price numeric(10,2), root_id int REFERENCES "Träns Fer".chain_root (id))
--;
ALTER TABLE "Träns Fer".orders DROP COLUMN legacy
--;
CREATE TRIGGER audit_insert AFTER INSERT ON "Träns Fer".orders FOR EACH ROW EXECUTE PROCEDURE "Träns Fer".audit_order()
--;
CREATE RULE keep_negative AS ON DELETE TO "Träns Fer".orders WHERE OLD.qty = 0 DO INSTEAD NOTHING
--;
INSERT INTO "Träns Fer".orders SELECT g, 'order ' || g, g % 7, g * 1.25, g % 10 + 1 FROM generate_series(1, 40) g
--;
CREATE VIEW "Träns Fer".order_summary AS
  SELECT o.id, o.label, "Träns Fer".twice(o.price) AS doubled, count(a.id) AS audits, (("Träns Fer".describe(o.id)).label) AS described
  FROM "Träns Fer".orders o LEFT JOIN "Träns Fer".audit_log a ON a.order_id = o.id
  GROUP BY o.id, o.label, o.price
--;
-- 2,500 rows take three pages of 1,000; the table without a key holds
-- every row two or three times.
CREATE TABLE "Träns Fer".bulk (id int PRIMARY KEY, label text, amount numeric(12,2), at timestamptz)
--;
INSERT INTO "Träns Fer".bulk SELECT g, 'bulk ' || g, g / 3.0, timestamptz '2024-01-01 00:00+00' + g * interval '1 minute' FROM generate_series(1, 2500) g
--;
CREATE TABLE "Träns Fer".bulk_nokey (k int, label text)
--;
INSERT INTO "Träns Fer".bulk_nokey SELECT g % 1100, 'dup ' || (g % 1100) FROM generate_series(1, 2500) g
--;
CREATE TABLE "Träns Fer".empty_one (id int PRIMARY KEY, label text)
--;
-- A schema renamed on the way, with a table and its columns renamed.
CREATE SCHEMA shop
--;
CREATE TABLE shop.item (id serial PRIMARY KEY, name text NOT NULL CONSTRAINT name_set CHECK (name <> ''), price numeric(10,2))
--;
CREATE INDEX item_name ON shop.item (name)
--;
CREATE TABLE shop.line (id int PRIMARY KEY, item_id int NOT NULL REFERENCES shop.item (id), qty int)
--;
INSERT INTO shop.item (name, price) SELECT 'item ' || g, g * 0.5 FROM generate_series(1, 30) g
--;
INSERT INTO shop.line SELECT g, g % 30 + 1, g FROM generate_series(1, 90) g
--;
-- 20,000 rows, one of which (id 12345) the target's stricter check rejects.
CREATE SCHEMA strict
--;
CREATE TABLE strict.checked (id int PRIMARY KEY, v int, note text)
--;
INSERT INTO strict.checked SELECT g, CASE WHEN g = 12345 THEN -1 ELSE g END, 'row ' || g FROM generate_series(1, 20000) g
--@ 12
CREATE TABLE "Träns Fer".priced (id int PRIMARY KEY, qty int, price numeric(10,2), total numeric GENERATED ALWAYS AS (qty * price) STORED, "Mixed ""Gen""" text GENERATED ALWAYS AS (upper(coalesce(note, ''))) STORED, note text)
--;
INSERT INTO "Träns Fer".priced (id, qty, price, note) SELECT g, g, g / 4.0, CASE WHEN g % 2 = 0 THEN 'n' || g END FROM generate_series(1, 30) g
