create table t1 (id int primary key, name text not null default 'unnamed, from where', created timestamptz default now())
----
CREATE TABLE "Select Table" ("from" int, "where" text DEFAULT 'and', "Mixed Case" numeric(10, 2) CHECK ("Mixed Case" > 0))
----
create table t2 (a int, b text, c numeric check (c between 0 and 100), constraint t2_pk primary key (a), constraint t2_b unique (b))
----
create table t3 (id serial primary key, parent int references t3 (id) on delete cascade, label varchar(40) collate "C")
----
create table t4 (id bigint generated always as identity, x int, y int generated always as (x * 2) stored)
----
create table t5 (id int, kind text, amount numeric) partition by list (kind)
----
create table t6 (id int, at date) partition by range (at);
create table t6_2024 partition of t6 for values from ('2024-01-01') to ('2025-01-01')
----
create table t7 (like accounts including defaults including constraints)
----
create table t8 as select id, owner from accounts where balance > 0 with no data
----
create unlogged table t9 (k text primary key, v jsonb default '{}'::jsonb)
----
create table t10 (id int, during tstzrange, exclude using gist (during with &&))
----
create table t11 (a int, b int, c text, foreign key (a) references branches (id) on update set null, check (a < b or c is null))
----
create table t12 (id int);
alter table t12 add column name text default 'x';
alter table t12 add constraint t12_id_positive check (id > 0);
alter table t12 alter column name set not null
----
create table t13 (id int, name text);
create index t13_name on t13 (lower(name)) where name is not null;
create unique index t13_id on t13 using btree (id desc nulls last)
----
create table t14 (doc jsonb, tags text[]);
create index t14_doc on t14 using gin (doc jsonb_path_ops);
create index t14_tags on t14 using gin (tags)
----
create table t15 (a int, b text);
comment on table t15 is 'A table, from where and -- not a comment';
comment on column t15.a is E'first\ncolumn'
----
create table t16 ("Order" int, "Group By" text, "select" boolean default false)
----
create table t17 (id int primary key, note text default $$it's a 'default'$$)
----
create table t18 (
    id int, -- the key
    /* a block comment
       between   columns */
    name text   -- the name, and more
)
----
create sequence s1 start with 10 increment by 5 maxvalue 1000 cycle
----
create sequence "Odd Seq" as smallint minvalue -100 start -100 cache 3
----
create table t19 (id int default nextval('public.payments_id_seq'), at timestamp default (now() at time zone 'UTC'))
----
create table t20 (a text check (a in ('x', 'y', 'from z')), b text check (b ~ '^[a-z]+$'), c text check (c not like '%--%'))
----
create table t21 (id int, v int);
alter table t21 enable row level security;
create policy p_read on t21 for select using (v > 0);
create policy "Write Policy" on t21 for insert with check (v < 100 and id is not null)
----
create table t22 (id int, body text);
create rule r_protect as on delete to t22 where old.id < 10 do instead nothing
----
create table t23 (a int);
grant select, insert on t23 to public
----
create table t24 (id int, created_at timestamptz);
create trigger t24_touch before insert or update on t24 for each row execute function public.touch()
----
create table t25 (id int, amount numeric);
create trigger t25_big after update of amount on t25 for each row when (new.amount > 1000 and old.amount is distinct from new.amount) execute function public.touch()
----
create table t26 (x int, y int, z int, primary key (x, y), unique (y, z) deferrable initially deferred)
----
create table t27 (a int not null, b int null, c text default null, d boolean default true, e real default 1.5e3)
