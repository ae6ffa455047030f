create function f1(a int, b int) returns int language sql immutable as $$ select a + b $$
----
create function f2(x text) returns text language plpgsql as $body$
declare
    result   text := '';   -- keep   these   blanks
begin
    /* a comment,
       with  lines */
    if x is null then
        return 'null, from where';
    end if;
    result := upper(x) || E'\t' || 'and  or';
    return result;
end;
$body$
----
CREATE OR REPLACE FUNCTION f3(n int DEFAULT 10) RETURNS SETOF int LANGUAGE plpgsql STABLE AS $fn$
BEGIN
    FOR i IN 1..n LOOP
        RETURN NEXT i;
    END LOOP;
    RETURN QUERY SELECT g FROM generate_series(1, n) g WHERE g % 2 = 0;
END
$fn$
----
create function f4(in a int, out b int, out c text) language sql as 'select a * 2, ''it''''s '' || a'
----
create function f5() returns table (id int, owner text) language sql stable as $$
    select id, owner
      from accounts
     where status = 'open'   -- open ones
     order by id
$$
----
create function f6(p jsonb) returns jsonb language sql immutable strict parallel safe as $$ select p || '{"x": 1}'::jsonb $$
----
create function f7(a int) returns int language sql begin atomic select a + 1; end
----
create function f8(a numeric, b numeric) returns numeric language sql return a * b + 1
----
create procedure p1(a int, inout b int) language plpgsql as $$
begin
    b := a + b;
    raise notice 'b is %, from where', b;
end
$$
----
create procedure p2() language sql begin atomic insert into refunds (id, payment_id, amount, reason) values (1, 1, 0, 'select'); end
----
create function f9() returns trigger language plpgsql as $trg$
begin
    if tg_op = 'DELETE' then
        return old;
    end if;
    new.note := coalesce(new.note, '') || ' touched';
    return new;
end
$trg$
----
create function f10(variadic parts text[]) returns text language sql immutable as $$select array_to_string(parts, ', ')$$
----
create function "Quoted Func"("the arg" int) returns int language sql as $$ select "the arg" * 2 $$;
comment on function "Quoted Func"(int) is 'doubles, and -- nothing else'
----
create function f11(x int) returns int language sql as $outer$ select length($inner$ $$ nested $$ $inner$) + x $outer$
----
create aggregate agg1 (int) (sfunc = int4pl, stype = int, initcond = '0')
----
create function f12(a anyelement, b anyelement) returns anyelement language sql as 'select case when a > b then a else b end'
----
create view v1 as select id, owner from accounts where balance > 0
----
create view v2 as select a.id, b.name, count(p.id) as payments from accounts a join branches b on b.id = a.branch_id left join payments p on p.account_id = a.id group by a.id, b.name
----
CREATE VIEW "View With Space" AS SELECT "Display Name" AS "Name, Full", "select" AS "from" FROM accounts WHERE owner <> 'x'
----
create view v3 as with recent as (select * from payments where paid_at > now() - interval '30 days') select account_id, sum(amount) from recent group by account_id
----
create view v4 as select id, case when balance < 0 then 'neg' when balance = 0 then 'zero' else 'pos' end as sign, rank() over (order by balance desc) from accounts
----
create view v5 as select id from accounts union select account_id from payments except select payment_id::int from refunds
----
create view v6 as select * from accounts where exists (select 1 from payments p where p.account_id = accounts.id and p.amount in (select amount from refunds)) with local check option
----
create materialized view mv1 as select branch_id, count(*) as n from accounts group by branch_id with no data
----
create view v7 as select 'it''s' as a, E'esc\\aped' as b, $$dollar$$ as c, 'multi
line' as d
----
create view v8 as select id, -- comment in a view
    owner /* and another */ from accounts
----
create view v9 (x, y) as values (1, 'a'), (2, 'b')
----
create recursive view v10 (n) as values (1) union all select n + 1 from v10 where n < 10
----
create view v11 as select e.name, m.name as boss from employees e left join lateral (select name from employees where id = e.manager_id) m on true
----
create view v12 as select feeling, "where" from diary where feeling in ('ok', 'happy') and body not like '%select%'
