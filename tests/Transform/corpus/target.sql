-- The state a diff starts from (see source.sql).
CREATE SCHEMA "Dïff ""Schema"""
--;
COMMENT ON SCHEMA "Dïff ""Schema""" IS 'old'
--;
CREATE TYPE "Dïff ""Schema""".mood AS ENUM ('sad', 'o''k', 'happy')
--;
CREATE SEQUENCE "Dïff ""Schema""".changed_seq
--;
CREATE FUNCTION "Dïff ""Schema""".calc(a int) RETURNS int LANGUAGE sql AS 'SELECT a'
--;
CREATE FUNCTION "Dïff ""Schema""".ret_changed() RETURNS int LANGUAGE sql AS 'SELECT 1'
--;
CREATE FUNCTION "Dïff ""Schema""".obsolete(int) RETURNS int LANGUAGE sql AS 'SELECT $1'
--;
CREATE FUNCTION "Dïff ""Schema""".trig_fn() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$
--;
CREATE TABLE "Dïff ""Schema""".customer (id int PRIMARY KEY, name text NOT NULL DEFAULT '', email varchar(100), note text, legacy int, mood "Dïff ""Schema""".mood, score numeric(10,2) DEFAULT 0, created timestamptz, CONSTRAINT email_ok CHECK (email LIKE '%'))
--;
COMMENT ON COLUMN "Dïff ""Schema""".customer.note IS 'to be reset'
--;
CREATE TABLE "Dïff ""Schema""".orders (id int NOT NULL, customer_id int, total numeric(12,2))
--;
CREATE INDEX idx_orders_total ON "Dïff ""Schema""".orders (total)
--;
CREATE TRIGGER trg AFTER INSERT ON "Dïff ""Schema""".orders FOR EACH ROW EXECUTE PROCEDURE "Dïff ""Schema""".trig_fn()
--;
CREATE RULE r_touch AS ON UPDATE TO "Dïff ""Schema""".customer WHERE old.id <> new.id DO ALSO DELETE FROM "Dïff ""Schema""".orders WHERE orders.customer_id = old.id
--;
CREATE RULE r_gone AS ON DELETE TO "Dïff ""Schema""".customer DO ALSO NOTIFY customer_gone
--;
CREATE TABLE "Dïff ""Schema""".ident (id int NOT NULL, n int)
--;
CREATE TABLE "Dïff ""Schema""".measure (at date NOT NULL, v int) PARTITION BY RANGE (at)
--;
CREATE TABLE "Dïff ""Schema""".measure_2024 PARTITION OF "Dïff ""Schema""".measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')
--;
CREATE TABLE "Dïff ""Schema""".old_stuff (id int PRIMARY KEY)
--;
CREATE TABLE "Dïff ""Schema""".old_ref (x int REFERENCES "Dïff ""Schema""".old_stuff (id))
--;
CREATE VIEW "Dïff ""Schema""".customer_names AS SELECT id, name, score FROM "Dïff ""Schema""".customer
--;
CREATE VIEW "Dïff ""Schema""".scores AS SELECT id, score FROM "Dïff ""Schema""".customer WHERE score > 0
--;
CREATE VIEW "Dïff ""Schema""".top_scores AS SELECT id FROM "Dïff ""Schema""".scores WHERE score > 10
--;
CREATE VIEW "Dïff ""Schema""".old_view AS SELECT id FROM "Dïff ""Schema""".old_stuff
--;
CREATE MATERIALIZED VIEW "Dïff ""Schema""".mv AS SELECT count(*) AS n FROM "Dïff ""Schema""".customer
--;
INSERT INTO "Dïff ""Schema""".customer (id, name, email, score) VALUES (1, 'Ann', 'ann@example.org', 1.5)
--;
INSERT INTO "Dïff ""Schema""".orders VALUES (1, 1, 50)
