-- Rewrite rules of every form the server prints: an action with its own
-- WHERE, a rule condition and an action WHERE both, several actions,
-- INSTEAD NOTHING with and without a condition, NOTIFY, rules that make a
-- view writable, literals holding DO and WHERE, a disabled rule, comments,
-- and a rule naming a table created after it in the script.
CREATE SCHEMA "Rïch ""Schema"""
--;
CREATE TABLE "Rïch ""Schema""".rt (k int PRIMARY KEY, a int, note text)
--;
CREATE TABLE "Rïch ""Schema""".ro (k int, a int)
--;
CREATE TABLE "Rïch ""Schema"""."Lög" (at timestamptz DEFAULT now(), what text)
--;
CREATE TABLE "Rïch ""Schema""".zz_later (k int, why text)
--;
CREATE RULE upd AS ON UPDATE TO "Rïch ""Schema""".rt DO ALSO UPDATE "Rïch ""Schema""".ro SET a = new.a WHERE ro.k = old.k
--;
CREATE RULE del AS ON DELETE TO "Rïch ""Schema""".rt DO ALSO DELETE FROM "Rïch ""Schema""".ro WHERE ro.k = old.k
--;
CREATE RULE "both where" AS ON UPDATE TO "Rïch ""Schema""".ro WHERE old.a IS DISTINCT FROM new.a DO ALSO INSERT INTO "Rïch ""Schema"""."Lög" (what) SELECT 'ro ' || new.k WHERE new.k > 0
--;
CREATE RULE many AS ON INSERT TO "Rïch ""Schema""".rt DO (DELETE FROM "Rïch ""Schema""".ro WHERE k = new.k; INSERT INTO "Rïch ""Schema""".ro VALUES (new.k, new.a); INSERT INTO "Rïch ""Schema""".zz_later VALUES (new.k, 'inserted'))
--;
CREATE RULE keep AS ON DELETE TO "Rïch ""Schema"""."Lög" DO INSTEAD NOTHING
--;
CREATE RULE guard AS ON DELETE TO "Rïch ""Schema""".ro WHERE old.k < 0 DO INSTEAD NOTHING
--;
CREATE RULE tell AS ON INSERT TO "Rïch ""Schema""".zz_later DO ALSO NOTIFY later_changed
--;
CREATE RULE tricky AS ON UPDATE TO "Rïch ""Schema""".zz_later WHERE new.why <> ' DO WHERE ''x'' (' DO INSTEAD UPDATE "Rïch ""Schema""".rt SET note = ') DO ' WHERE rt.k = new.k
--;
ALTER TABLE "Rïch ""Schema""".zz_later DISABLE RULE tell
--;
COMMENT ON RULE guard ON "Rïch ""Schema""".ro IS 'keeps the ''negative'' rows'
--;
CREATE VIEW "Rïch ""Schema""".writable AS SELECT k, a FROM "Rïch ""Schema""".rt
--;
CREATE RULE w_ins AS ON INSERT TO "Rïch ""Schema""".writable DO INSTEAD INSERT INTO "Rïch ""Schema""".rt (k, a) VALUES (new.k, new.a)
--;
CREATE RULE w_upd AS ON UPDATE TO "Rïch ""Schema""".writable DO INSTEAD UPDATE "Rïch ""Schema""".rt SET a = new.a WHERE rt.k = old.k
--;
CREATE RULE w_del AS ON DELETE TO "Rïch ""Schema""".writable WHERE old.k > 0 DO INSTEAD DELETE FROM "Rïch ""Schema""".rt WHERE rt.k = old.k
--;
COMMENT ON RULE w_ins ON "Rïch ""Schema""".writable IS 'writable view'
