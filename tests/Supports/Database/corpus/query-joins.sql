select a.id, b.name from accounts a join branches b on b.id = a.branch_id
----
select a.id, b.name from accounts a inner join branches b on b.id = a.branch_id and b.city = 'Oslo'
----
select a.id, p.amount from accounts a left join payments p on p.account_id = a.id where p.id is null
----
select a.id, p.amount from accounts a left outer join payments p on p.account_id = a.id
----
select b.name, a.id from accounts a right join branches b on a.branch_id = b.id
----
select * from accounts a full outer join branches b on a.branch_id = b.id
----
select * from accounts cross join branches
----
select * from accounts a natural join branches b
----
select * from payments p join refunds r using (id)
----
select * from payments p join refunds r using (id) as joined where joined.id > 1
----
select a.owner, x.total from accounts a cross join lateral (select sum(amount) as total from payments p where p.account_id = a.id) x
----
select a.owner, x.amount from accounts a left join lateral (select amount from payments p where p.account_id = a.id order by paid_at desc limit 1) x on true
----
select a.id, b.name, p.amount, r.reason from accounts a join branches b on b.id = a.branch_id left join payments p on p.account_id = a.id left join refunds r on r.payment_id = p.id where r.reason is not null or p.amount > 10
----
select e.name, m.name as manager from employees e left join employees m on m.id = e.manager_id
----
select * from accounts a join branches b on (a.branch_id = b.id) join payments p on (p.account_id = a.id and p.amount > 0)
----
select * from (accounts a join branches b on a.branch_id = b.id) join payments p on p.account_id = a.id
----
select o."Order Id", a.owner from "Order Items" o join accounts a on a.id = o."Order Id"
----
with recent as (select id, amount from payments where paid_at > now() - interval '7 days') select r.id, sum(r.amount) from recent r group by r.id
----
with a as (select 1 as x), b as (select x + 1 as y from a) select * from a cross join b
----
WITH "From" AS (SELECT 1 AS "select"), "Where" AS (SELECT 2 AS "and") SELECT "select", "and" FROM "From", "Where"
----
with recursive chain(id, manager_id, depth) as (
    select id, manager_id, 0 from employees where manager_id is null
    union all
    select e.id, e.manager_id, c.depth + 1 from employees e join chain c on e.manager_id = c.id
) select * from chain order by depth
----
with recursive t(n) as (values (1) union all select n + 1 from t where n < 100) select sum(n) from t
----
with m as materialized (select * from accounts) select count(*) from m
----
with m as not materialized (select * from accounts) select id from m where id = 1
----
with recursive tree as (select id, manager_id, array[id] as path from employees where manager_id is null union all select e.id, e.manager_id, t.path || e.id from employees e join tree t on t.id = e.manager_id) search depth first by id set ord select * from tree order by ord
----
select id from accounts union select account_id from payments
----
select id from accounts union all select account_id from payments union all select payment_id::int from refunds
----
select id from accounts intersect select account_id from payments
----
select id from accounts except select account_id from payments order by 1
----
(select id from accounts order by id limit 1) union (select id from branches order by id desc limit 1)
----
select id from accounts where id in (select account_id from payments union select payment_id::int from refunds)
----
select 1 union (select 2) union all (select 3)
----
select * from accounts where id = any (select account_id from payments where amount between 10 and 20 and note like '%x%')
----
select dept, name, salary from (select dept, name, salary, dense_rank() over (partition by dept order by salary desc) as r from employees) ranked where r <= 3
----
select dept, sum(salary) filter (where hired > date '2020-01-01') as recent, sum(salary) as total from employees group by dept order by dept
----
select b.city, count(distinct a.owner) from branches b left join accounts a on a.branch_id = b.id group by b.city having count(*) > 0 order by 2 desc, 1
----
select * from accounts a where a.branch_id = (select id from branches where name = 'Main' limit 1) and a.id <> all (select account_id from payments)
----
select id, (select string_agg(sku, ',') from "Order Items" oi where oi."Order Id" = a.id) from accounts a
----
select * from employees e where salary > (select avg(salary) from employees where dept = e.dept)
----
select b."from", a."select" from branches b join accounts a on a."select" = b.id where b."from" = 'from'
----
select case when exists (select 1 from refunds) then (select count(*) from refunds) else 0 end
----
select x.* from (select * from (select * from (select id from accounts) a1) a2) x
----
select array(select id from accounts order by id), (select array_agg(amount) from payments)
