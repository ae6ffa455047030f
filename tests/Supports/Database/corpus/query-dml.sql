insert into accounts (id, owner, status) values (1, 'Ann', 'open')
----
insert into accounts (id, owner) select id + 100, name from employees where dept = 'sales'
----
INSERT INTO accounts (id, owner, "Display Name") VALUES (2, 'O''Brien', 'Mr. O''Brien, from where?') ON CONFLICT (id) DO NOTHING
----
insert into accounts (id, owner, balance) values (3, 'Bo', 10) on conflict (id) do update set balance = accounts.balance + excluded.balance where accounts.status <> 'closed'
----
insert into accounts (id, owner) values (4, 'Cy'), (5, 'Di') returning id, owner
----
insert into "Order Items" ("Order Id", "Line No", sku, qty, price) values (1, 1, 'A-1', 2, 9.99)
----
insert into payments (account_id, amount, note) values (1, 5, E'line one\nline two, and more')
----
insert into events (id, payload) values (1, '{"kind": "select", "from": [1, 2]}')
----
insert into accounts default values
----
update accounts set balance = balance * 1.05 where status = 'open' and balance > 0
----
update accounts set status = case when balance < 0 then 'overdrawn' when balance = 0 then 'empty' else 'ok' end where exists (select 1 from payments p where p.account_id = accounts.id)
----
update accounts a set balance = a.balance - p.amount from payments p where p.account_id = a.id and p.kind = 'D'
----
update accounts set (owner, status) = (select name, dept from employees where employees.id = accounts.id) where id < 10
----
UPDATE "Order Items" SET qty = qty + 1, price = price * 0.9 WHERE "Order Id" = 1 AND "Line No" IN (1, 2) RETURNING "Order Id", qty
----
update accounts set tags = array_append(tags, 'vip'), meta = jsonb_set(coalesce(meta, '{}'), '{level}', '"gold"') where id = 1
----
delete from payments where paid_at < now() - interval '1 year'
----
delete from accounts a using branches b where a.branch_id = b.id and b.city = 'Nowhere' returning a.*
----
delete from refunds where payment_id not in (select id from payments) and reason not like '%keep%'
----
with moved as (delete from payments where amount = 0 returning *) insert into refunds (id, payment_id, amount, reason) select id, id, amount, 'zero' from moved
----
with upd as (update accounts set status = 'closed' where balance = 0 returning id) select count(*) from upd
----
merge into accounts a using (select id, name from employees) e on a.id = e.id when matched and a.status = 'closed' then delete when matched then update set owner = e.name when not matched then insert (id, owner) values (e.id, e.name)
----
MERGE INTO "Order Items" t USING (VALUES (1, 1, 5)) AS s("Order Id", "Line No", qty) ON t."Order Id" = s."Order Id" AND t."Line No" = s."Line No" WHEN MATCHED THEN UPDATE SET qty = s.qty WHEN NOT MATCHED THEN DO NOTHING
----
insert into diary (day, feeling, "where", body) values (current_date, 'happy', point(1, 2), $body$Dear diary,
today   I   wrote   SQL:  select * from "my table" where a = 'b';
  -- not a comment
$body$)
----
update diary set body = body || ' -- still text' || E'\n/* also text */' where feeling = 'sad'
----
delete from events where tags && array['old', 'select'] and at between '2020-01-01' and '2021-01-01'
