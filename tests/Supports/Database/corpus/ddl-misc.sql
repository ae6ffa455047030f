create type color as enum ('red', 'green and blue', 'from where')
----
create type pair as (a int, "b c" text)
----
create type span as range (subtype = float8)
----
create domain positive as numeric check (value > 0) not null default 1
----
create domain "Short Text" as varchar(20) check (value !~ '\s{2,}') check (length(value) > 0)
----
do $$
begin
    execute 'create table made_by_do (id int, note text default ''made, from where'')';
end
$$
----
do language plpgsql $do$
declare
    i int;
begin
    for i in 1..3 loop
        execute format('create table %I (x int)', 'gen_' || i);
    end loop;
end
$do$
----
set local work.note = 'set from, the corpus'
----
select set_config('work.note', E'multi\nline', true)
----
create table m1 (a int);
alter table m1 rename column a to "Renamed Col";
alter table m1 add column b text default 'b';
alter table m1 drop column b
----
create table m2 (id int, note text);
alter table m2 alter column note type varchar(100) using substring(note from 1 for 100);
alter table m2 alter column id set default 0
----
create table m3 (x int);
create index m3_x on m3 (x);
alter index m3_x rename to "M3 X Index"
----
create table m4 (id int primary key);
create table m5 (id int, m4_id int);
alter table m5 add constraint m5_fk foreign key (m4_id) references m4 (id) match full on delete restrict
----
create type mood2 as enum ('a');
alter type mood2 add value 'b' after 'a';
alter type mood2 add value 'z'
----
create table m6 (a int, b int);
comment on column m6.a is 'A''s column';
comment on column m6.b is $$B's "column"$$
----
create schema if not exists work;
create table work.m7 (id int)
----
create table m8 as values (1, 'a'), (2, 'b, c')
----
select * into m9 from accounts where false
----
create table m10 (x int);
insert into m10 select g from generate_series(1, 5) g;
create index m10_x on m10 (x) where x > 2 and x < 5
----
create view m11 as select 1 as one; alter view m11 rename to "M11 View"
----
create table "Quoted ""Table""" ("col ""x""" int default 1)
----
create table m12 (id int, at timestamptz default current_timestamp, d date default current_date, u text default current_user)
