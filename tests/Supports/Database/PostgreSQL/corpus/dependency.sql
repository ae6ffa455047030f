-- Objects that must be created in the order of what uses what, across two
-- schemas that use each other: a routine returning a table's rows and a view
-- on it, a materialized view on that view with an index, a domain whose
-- check calls a routine, defaults, checks and generated columns calling
-- routines, a standard-SQL routine body naming a table, partitions with
-- their own indexes, inheritance, foreign keys in a cycle and to their own
-- table, triggers, a default calling a routine that reads its own table,
-- a rule on a view that writes to a view built on it, row
-- security with policies calling routines and reading another schema's
-- table, and names that sort the wrong way round.
CREATE SCHEMA "Dëp A"
--;
CREATE SCHEMA dep_b
--;
CREATE TYPE dep_b.mood AS ENUM ('sad', 'ok', 'happy')
--;
CREATE FUNCTION "Dëp A".a_positive(numeric) RETURNS boolean LANGUAGE sql IMMUTABLE AS 'SELECT $1 > 0'
--;
CREATE DOMAIN "Dëp A".a_price AS numeric CHECK ("Dëp A".a_positive(VALUE))
--;
CREATE FUNCTION "Dëp A".a_code() RETURNS text LANGUAGE sql AS $$SELECT 'c' || pg_catalog.txid_current()$$
--;
CREATE FUNCTION "Dëp A".a_taxed(numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS 'SELECT $1 * 1.2'
--;
CREATE FUNCTION "Dëp A".a_short(text) RETURNS boolean LANGUAGE sql IMMUTABLE AS 'SELECT length($1) < 100'
--;
CREATE TABLE "Dëp A".zz_items (id serial PRIMARY KEY, name text CHECK ("Dëp A".a_short(name)), price "Dëp A".a_price, code text DEFAULT "Dëp A".a_code(), mood dep_b.mood DEFAULT 'ok')
--;
--@ 12
ALTER TABLE "Dëp A".zz_items ADD COLUMN taxed numeric GENERATED ALWAYS AS ("Dëp A".a_taxed(price)) STORED
--;
--@ 0
CREATE FUNCTION "Dëp A".a_items_from(numeric) RETURNS SETOF "Dëp A".zz_items LANGUAGE sql STABLE AS $$SELECT * FROM "Dëp A".zz_items WHERE price >= $1$$
--;
CREATE FUNCTION "Dëp A".a_label(i "Dëp A".zz_items) RETURNS text LANGUAGE sql AS $$SELECT i.name || ' ' || i.code$$
--;
CREATE VIEW "Dëp A".a_cheap AS SELECT id, name, price FROM "Dëp A".a_items_from(0)
--;
CREATE MATERIALIZED VIEW "Dëp A".a_cheap_m AS SELECT id, name FROM "Dëp A".a_cheap
--;
CREATE INDEX a_cheap_m_name ON "Dëp A".a_cheap_m (lower(name))
--;
CREATE VIEW dep_b.a_items_of_a AS SELECT id, mood FROM "Dëp A".zz_items
--;
--@ 14
CREATE FUNCTION "Dëp A".a_count() RETURNS bigint LANGUAGE sql BEGIN ATOMIC SELECT count(*) FROM "Dëp A".zz_items; END
--;
--@ 10
CREATE TABLE "Dëp A".z_events (at date NOT NULL, what text) PARTITION BY RANGE (at)
--;
--@ 10
CREATE TABLE "Dëp A".a_events_2025 PARTITION OF "Dëp A".z_events FOR VALUES FROM ('2025-01-01') TO ('2026-01-01')
--;
--@ 10
CREATE TABLE "Dëp A".a_events_2026 PARTITION OF "Dëp A".z_events FOR VALUES FROM ('2026-01-01') TO ('2027-01-01')
--;
--@ 11
CREATE INDEX z_events_at ON "Dëp A".z_events (at)
--;
--@ 10
CREATE INDEX a_events_2026_what ON "Dëp A".a_events_2026 (what)
--;
--@ 0
CREATE TABLE "Dëp A".z_base (id int, note text)
--;
CREATE TABLE "Dëp A".a_child (extra int) INHERITS ("Dëp A".z_base)
--;
CREATE TABLE "Dëp A".z_dept (id int PRIMARY KEY, head int)
--;
CREATE TABLE "Dëp A".a_emp (id int PRIMARY KEY, dept int REFERENCES "Dëp A".z_dept, manager int REFERENCES "Dëp A".a_emp)
--;
ALTER TABLE "Dëp A".z_dept ADD FOREIGN KEY (head) REFERENCES "Dëp A".a_emp DEFERRABLE INITIALLY DEFERRED
--;
CREATE TABLE dep_b.a_uses_a (id int PRIMARY KEY, item int REFERENCES "Dëp A".zz_items, mood dep_b.mood)
--;
CREATE FUNCTION dep_b.a_stamp() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN NEW.mood := 'ok'; RETURN NEW; END$$
--;
CREATE TRIGGER stamp BEFORE INSERT ON dep_b.a_uses_a FOR EACH ROW EXECUTE PROCEDURE dep_b.a_stamp()
--;
CREATE VIEW "Dëp A".a_from_b AS SELECT u.id, l.name FROM dep_b.a_uses_a u JOIN "Dëp A".a_cheap l ON l.id = u.item
--;
CREATE VIEW dep_b.z_uses AS SELECT id, item FROM dep_b.a_uses_a
--;
CREATE VIEW dep_b.a_on_z_uses AS SELECT id FROM dep_b.z_uses
--;
CREATE RULE forget AS ON DELETE TO dep_b.z_uses DO ALSO DELETE FROM dep_b.a_on_z_uses WHERE id = OLD.id
--;
CREATE FUNCTION "Dëp A".a_visible(text) RETURNS boolean LANGUAGE sql STABLE AS $$SELECT $1 <> 'hidden'$$
--;
ALTER TABLE "Dëp A".zz_items ENABLE ROW LEVEL SECURITY
--;
ALTER TABLE dep_b.a_uses_a ENABLE ROW LEVEL SECURITY
--;
ALTER TABLE dep_b.a_uses_a FORCE ROW LEVEL SECURITY
--;
CREATE POLICY visible ON "Dëp A".zz_items FOR SELECT USING ("Dëp A".a_visible(name))
--;
CREATE POLICY "writers ""all""" ON dep_b.a_uses_a AS RESTRICTIVE FOR INSERT TO PUBLIC WITH CHECK (item IN (SELECT id FROM "Dëp A".zz_items))
--;
CREATE POLICY everyone ON dep_b.a_uses_a USING (true)
--;
--@ 14
CREATE TABLE "Dëp A".a_counted (id int PRIMARY KEY, n bigint)
--;
--@ 14
CREATE FUNCTION "Dëp A".a_count_rows() RETURNS bigint LANGUAGE sql STABLE BEGIN ATOMIC SELECT count(*) FROM "Dëp A".a_counted; END
--;
--@ 14
ALTER TABLE "Dëp A".a_counted ALTER COLUMN n SET DEFAULT "Dëp A".a_count_rows()
