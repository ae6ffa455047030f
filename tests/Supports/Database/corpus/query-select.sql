select a.id,a.owner,a.balance from accounts a where a.status='open' and a.balance>100
----
SELECT id, owner FROM accounts WHERE owner = 'select, from where' AND status <> 'and or not'
----
select "Display Name", "select" from accounts where "select" between 1 and 10 or "select" is null
----
SELECT   id ,
         owner
  FROM   accounts
 WHERE   balance   >=   0
 ORDER BY   id   DESC
----
select id, -- the key, and
       owner -- from here on, nothing is commented out
  from accounts
 where balance > 5 -- and status = 'x'
   and status is not null
----
select /* a comment, with
   several   lines and keywords: from where and */ id from accounts
----
select count(*) from accounts where owner like 'A%' and status not like '%closed%'
----
select distinct status from accounts order by status asc nulls last
----
SELECT id FROM accounts WHERE id IN (1, 2, 3) AND branch_id NOT IN (4, 5)
----
select id, case when balance < 0 then 'overdrawn' when balance = 0 then 'empty' else 'ok' end as state from accounts
----
SELECT id, CASE status WHEN 'open' THEN 1 WHEN 'closed' THEN 2 ELSE 3 END AS code FROM accounts
----
select case when a.balance > 10 then case when a.status = 'vip' then 'gold' else 'silver' end else 'bronze' end as tier from accounts a
----
select owner, sum(balance) as total from accounts group by owner having sum(balance) > 1000 order by total desc
----
select branch_id, status, count(*) from accounts group by grouping sets ((branch_id), (status), ())
----
select branch_id, count(*) filter (where status = 'open') as open_count from accounts group by rollup (branch_id)
----
select id, balance, rank() over (order by balance desc) as r from accounts
----
select id, sum(amount) over (partition by account_id order by paid_at rows between unbounded preceding and current row) as running from payments
----
select account_id, avg(amount) over w, max(amount) over w from payments window w as (partition by account_id order by paid_at range between interval '1 day' preceding and current row)
----
select id, lag(amount, 1, 0) over (partition by account_id order by id), lead(amount) over (order by id) from payments
----
select id, row_number() over () as n, ntile(4) over (order by amount) from payments
----
select * from accounts where exists (select 1 from payments p where p.account_id = accounts.id and p.amount > 10)
----
select * from accounts a where not exists (select 1 from refunds r where r.payment_id = a.id)
----
select id, (select max(amount) from payments p where p.account_id = a.id) as biggest from accounts a
----
select * from (select id, balance from accounts where balance > 0) as positive where positive.id < 100
----
select * from accounts where branch_id in (select id from branches where city in (select city from branches where name like 'N%'))
----
select * from accounts where balance > all (select amount from payments) or balance < any (select amount from refunds)
----
select * from accounts where balance > (select avg(balance) from accounts) and id in (select account_id from payments where amount > (select avg(amount) from payments))
----
SELECT 'it''s', E'tab\there\nnewline', E'quote \' inside', U&'d\0061t\+000061', $$dollar ' quoted, from where$$, $q$ with $$ inside $q$
----
select 'first part'
       'second part' as joined, 'a' || 'b' as concatenated
----
select E'escaped\\'
  ' continued' as e_continued
----
select B'1010', X'FF', N'national', 'text'::text, 42::bigint, 3.14e-2, .5
----
select cast(balance as integer), balance::int, owner::varchar(10), created_at::date from accounts
----
select coalesce(status, 'none'), nullif(balance, 0), greatest(1, 2, 3), least(4, 5) from accounts
----
select upper(owner), lower(owner), substring(owner from 2 for 3), position('a' in owner), trim(both ' ' from owner) from accounts
----
select extract(year from created_at), date_trunc('month', created_at), created_at at time zone 'UTC' from accounts
----
select now() - interval '1 day', current_date + 1, '2024-01-01'::date - '2023-01-01'::date
----
select tags[1], tags[2:3], array_length(tags, 1), 'x' = any (tags), array['a', 'b'] && tags from accounts
----
select meta -> 'a', meta ->> 'b', meta #> '{c,d}', meta @> '{"e": 1}', meta ? 'f' from accounts
----
select jsonb_build_object('id', id, 'owner', owner), to_jsonb(a) from accounts a
----
select string_agg(owner, ', ' order by owner), array_agg(distinct status) from accounts
----
select percentile_cont(0.5) within group (order by balance), mode() within group (order by status) from accounts
----
select * from generate_series(1, 10) as g(n) where n % 2 = 0
----
select * from unnest(array[1, 2, 3], array['a', 'b', 'c']) with ordinality as t(num, letter, ord)
----
values (1, 'one'), (2, 'two'), (3, 'three') order by 1 desc
----
select * from (values (1, 'a'), (2, 'b')) as v (n, s)
----
select id from accounts limit 10 offset 20
----
select id from accounts order by id fetch first 5 rows only
----
select id from accounts for update skip locked
----
select id, owner from accounts where owner ~ '^[A-Z]' and owner !~* 'test' and owner similar to '%(b|d)%'
----
select 1 as "from", 2 as "where", 3 as "and", 4 as "select", 5 as "Order By"
----
select "Order Id", "Line No", qty * price as "line total" from "Order Items" where "Line No" > 1
----
select t."Order Id", sum(t.qty) from "Order Items" t group by t."Order Id" having sum(t.qty) > 2
----
select a.id is distinct from b.id, a.status is not distinct from b.status from accounts a, accounts b
----
select row(1, 'a') = row(1, 'a'), (1, 2) < (1, 3), id between symmetric 10 and 1 from accounts
----
select balance / nullif(2, 0), -balance, @ balance, |/ 16, 2 ^ 3, 5 % 3, 7 & 3, 1 << 2 from accounts
----
select * from accounts where owner ilike any (array['%a%', '%b%'])
----
select add_one(id), add_one(add_one(1)) from accounts
----
select feeling, count(*) from diary where feeling >= 'ok' group by feeling
----
select payload->>'kind' as kind, count(*) from events where happened && tstzrange(now() - interval '1 week', now()) group by 1
----
SELECT     id
FROM       accounts
WHERE      owner = 'a
multi-line   literal,   with  blanks'
----
select id from accounts where owner = $tag$can't stop $$ this$tag$ or owner = $$plain$$
----
select 'x' as "with space and ""quotes""", U&"d\0061ta" from (select 1 as data) s
----
select 1 /* nested /* comment */ still comment */ + 1
----
select 1 - -1, 2 - - 2, 3+-- plus then comment
4
----
select * from accounts a where (a.balance, a.id) in (select amount, account_id::int from payments)
