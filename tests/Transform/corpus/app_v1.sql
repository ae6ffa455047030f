-- A small store's schema and rows as an application first shipped them.

CREATE TYPE v.rating AS ENUM ('G', 'PG', 'PG-13', 'R', 'NC-17');
CREATE DOMAIN v.year AS integer CONSTRAINT year_check CHECK (VALUE >= 1901 AND VALUE <= 2155);
CREATE FUNCTION v.last_updated() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN NEW.last_update = CURRENT_TIMESTAMP; RETURN NEW; END $$;
CREATE TABLE v.language (language_id serial PRIMARY KEY, name character(20) NOT NULL, last_update timestamp NOT NULL DEFAULT now());
CREATE TABLE v.film (film_id serial PRIMARY KEY, title text NOT NULL, description text, release_year v.year,
  language_id integer NOT NULL REFERENCES v.language ON UPDATE CASCADE ON DELETE RESTRICT,
  rental_rate numeric(4,2) NOT NULL DEFAULT 4.99, rating v.rating DEFAULT 'G', last_update timestamp NOT NULL DEFAULT now(),
  special_features text[], fulltext tsvector);
CREATE INDEX film_fulltext_idx ON v.film USING gist (fulltext);
CREATE INDEX idx_title ON v.film (title);
CREATE TRIGGER last_updated BEFORE UPDATE ON v.film FOR EACH ROW EXECUTE PROCEDURE v.last_updated();
CREATE TRIGGER film_fulltext_trigger BEFORE INSERT OR UPDATE ON v.film FOR EACH ROW EXECUTE PROCEDURE tsvector_update_trigger('fulltext', 'pg_catalog.english', 'title', 'description');
CREATE TABLE v.store (store_id serial PRIMARY KEY, manager_staff_id integer NOT NULL, last_update timestamp NOT NULL DEFAULT now());
CREATE TABLE v.staff (staff_id serial PRIMARY KEY, first_name text NOT NULL, store_id integer NOT NULL REFERENCES v.store, active boolean NOT NULL DEFAULT true, last_update timestamp NOT NULL DEFAULT now());
ALTER TABLE v.store ADD CONSTRAINT store_manager_staff_id_fkey FOREIGN KEY (manager_staff_id) REFERENCES v.staff DEFERRABLE INITIALLY DEFERRED;
CREATE TABLE v.inventory (inventory_id serial PRIMARY KEY, film_id integer NOT NULL REFERENCES v.film, store_id integer NOT NULL REFERENCES v.store, last_update timestamp NOT NULL DEFAULT now());
CREATE TABLE v.rental (rental_id serial PRIMARY KEY, rental_date timestamp NOT NULL, inventory_id integer NOT NULL REFERENCES v.inventory, return_date timestamp, staff_id integer NOT NULL REFERENCES v.staff);
CREATE TABLE v.payment (payment_id serial, rental_id integer, amount numeric(5,2) NOT NULL, payment_date timestamp NOT NULL, PRIMARY KEY (payment_date, payment_id)) PARTITION BY RANGE (payment_date);
CREATE TABLE v.payment_p2022_01 PARTITION OF v.payment FOR VALUES FROM ('2022-01-01') TO ('2022-02-01');
CREATE TABLE v.payment_p2022_02 PARTITION OF v.payment FOR VALUES FROM ('2022-02-01') TO ('2022-03-01');
CREATE INDEX payment_rental ON v.payment (rental_id);
CREATE FUNCTION v.inventory_in_stock(p_inventory_id integer) RETURNS boolean LANGUAGE plpgsql AS $$
BEGIN RETURN NOT EXISTS (SELECT 1 FROM v.rental WHERE inventory_id = p_inventory_id AND return_date IS NULL); END $$;
CREATE FUNCTION v.film_in_stock(p_film_id integer, p_store_id integer) RETURNS SETOF v.inventory LANGUAGE sql AS $$
SELECT * FROM v.inventory WHERE film_id = $1 AND store_id = $2 AND v.inventory_in_stock(inventory_id) $$;
CREATE VIEW v.film_list AS SELECT f.film_id AS fid, f.title, f.rating, l.name AS language FROM v.film f JOIN v.language l USING (language_id);
CREATE VIEW v.nicer_but_slower_film_list AS SELECT fid, initcap(title) AS title, rating FROM v.film_list;
CREATE MATERIALIZED VIEW v.rental_by_category AS SELECT f.rating, count(*) AS total FROM v.rental r JOIN v.inventory i USING (inventory_id) JOIN v.film f USING (film_id) GROUP BY f.rating;
CREATE UNIQUE INDEX rental_category ON v.rental_by_category (rating);
CREATE FUNCTION v.rewards_report(min_monthly_purchases integer) RETURNS SETOF v.staff LANGUAGE plpgsql AS $$ BEGIN RETURN QUERY SELECT * FROM v.staff; END $$;
INSERT INTO v.language (name) VALUES ('English'), ('Italian');
INSERT INTO v.film (title, description, release_year, language_id, rating, special_features) VALUES ('Academy Dinosaur', 'A epic drama', 2006, 1, 'PG', '{Trailers}'), ('Ace Goldfinger', 'A astounding epistle', 2006, 2, 'G', NULL);
BEGIN; INSERT INTO v.store VALUES (1, 1); INSERT INTO v.staff (first_name, store_id) VALUES ('Mike', 1); COMMIT;
INSERT INTO v.inventory (film_id, store_id) VALUES (1, 1), (2, 1);
INSERT INTO v.rental (rental_date, inventory_id, staff_id) VALUES ('2022-01-05', 1, 1);
INSERT INTO v.payment (rental_id, amount, payment_date) VALUES (1, 2.99, '2022-01-06');
REFRESH MATERIALIZED VIEW v.rental_by_category;
