-- The tables, types and functions that the corpus statements use.
CREATE TABLE branches (id int PRIMARY KEY, name text NOT NULL, city text, "from" text, opened date);
CREATE TABLE accounts (
    id int PRIMARY KEY,
    owner text NOT NULL,
    branch_id int REFERENCES branches,
    balance numeric(12, 2) DEFAULT 0,
    status text,
    created_at timestamptz DEFAULT now(),
    "Display Name" text,
    "select" int,
    tags text[],
    meta jsonb
);
CREATE TABLE payments (
    id bigserial PRIMARY KEY,
    account_id int REFERENCES accounts,
    amount numeric(12, 2),
    paid_at timestamptz,
    note text,
    kind char(1)
);
CREATE TABLE refunds (id bigint PRIMARY KEY, payment_id bigint, amount numeric, reason text);
CREATE TABLE "Order Items" (
    "Order Id" int,
    "Line No" int,
    sku text,
    qty int,
    price numeric,
    PRIMARY KEY ("Order Id", "Line No")
);
CREATE TABLE employees (id int PRIMARY KEY, manager_id int, name text, dept text, salary numeric, hired date);
CREATE TABLE events (id int, payload jsonb, happened tstzrange, at timestamp, tags text[]);
CREATE TYPE mood AS ENUM ('sad', 'ok', 'happy');
CREATE TABLE diary (day date, feeling mood, "where" point, body text);
CREATE FUNCTION add_one(int) RETURNS int LANGUAGE sql IMMUTABLE AS 'select $1 + 1';
CREATE FUNCTION touch() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NEW.created_at := now();
    RETURN NEW;
END
$$;
CREATE VIEW rich AS SELECT id, owner FROM accounts WHERE balance > 1000;
