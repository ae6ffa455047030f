-- What the server's own deparsers say about the objects of schema :'schema'
-- (and every user comment), one sorted line each. psql -v schema=NAME.
SELECT current_setting('server_version_num')::int >= 120000 AS has_generated,
       current_setting('server_version_num')::int >= 110000 AS has_prokind \gset
\if :has_generated
\set generated 'a.attgenerated::text'
\else
\set generated ''''''
\endif
\if :has_prokind
\set routines 'p.prokind <> ''a'''
\else
\set routines 'NOT p.proisagg'
\endif
SELECT line FROM (
SELECT 'relation ' || c.relname || ' ' || c.relkind::text || c.relpersistence::text || ' ' ||
  COALESCE(c.reloptions::text, '') || ' ' || COALESCE(pg_get_partkeydef(c.oid), '') || ' ' ||
  COALESCE(pg_get_expr(c.relpartbound, c.oid), '') || ' ' ||
  COALESCE((SELECT string_agg(p.relname, ',' ORDER BY h.inhseqno) FROM pg_inherits h
            JOIN pg_class p ON p.oid = h.inhparent WHERE h.inhrelid = c.oid), '') ||
  CASE WHEN c.relkind = 'm' THEN c.relispopulated::text ELSE '' END AS line
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = :'schema'
UNION ALL
SELECT 'column ' || c.relname || '.' || a.attname || ' ' || format_type(a.atttypid, a.atttypmod) ||
  ' ' || a.attnotnull || ' ' || COALESCE(pg_get_expr(ad.adbin, ad.adrelid), '') || ' ' ||
  a.attidentity::text || :generated || ' ' || COALESCE(co.collname, '') || a.attislocal
  FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid
  JOIN pg_namespace n ON n.oid = c.relnamespace
  LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum
  LEFT JOIN pg_collation co ON co.oid = a.attcollation
  WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r','p','v','m','c')
  AND n.nspname = :'schema'
UNION ALL
SELECT 'constraint ' || COALESCE(c.relname, t.typname) || ' ' || con.conname || ' ' ||
  pg_get_constraintdef(con.oid) || ' ' || con.conislocal
  FROM pg_constraint con JOIN pg_namespace n ON n.oid = con.connamespace
  LEFT JOIN pg_class c ON c.oid = con.conrelid LEFT JOIN pg_type t ON t.oid = con.contypid
  WHERE n.nspname = :'schema'
UNION ALL
SELECT 'index ' || pg_get_indexdef(i.indexrelid) FROM pg_index i
  JOIN pg_class c ON c.oid = i.indexrelid JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE n.nspname = :'schema'
UNION ALL
SELECT 'view ' || c.relname || ' ' || pg_get_viewdef(c.oid) FROM pg_class c
  JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE c.relkind IN ('v', 'm') AND n.nspname = :'schema'
UNION ALL
SELECT 'routine ' || pg_get_functiondef(p.oid) FROM pg_proc p
  JOIN pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = :'schema' AND :routines
UNION ALL
SELECT 'trigger ' || pg_get_triggerdef(t.oid) || ' ' || t.tgenabled::text FROM pg_trigger t
  JOIN pg_class c ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE NOT t.tgisinternal AND n.nspname = :'schema'
UNION ALL
SELECT 'rule ' || pg_get_ruledef(r.oid) || ' ' || r.ev_enabled::text FROM pg_rewrite r
  JOIN pg_class c ON c.oid = r.ev_class JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE r.rulename <> '_RETURN' AND n.nspname = :'schema'
UNION ALL
SELECT 'type ' || t.typname || ' ' || t.typtype::text || ' ' ||
  COALESCE(format_type(t.typbasetype, t.typtypmod), '') || ' ' || COALESCE(t.typdefault, '') ||
  t.typnotnull || ' ' || COALESCE((SELECT string_agg(e.enumlabel, ',' ORDER BY e.enumsortorder)
  FROM pg_enum e WHERE e.enumtypid = t.oid), '') ||
  COALESCE((SELECT format_type(r.rngsubtype, NULL) FROM pg_range r WHERE r.rngtypid = t.oid), '')
  FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace WHERE n.nspname = :'schema'
UNION ALL
SELECT 'sequence ' || c.relname || ' ' || format_type(s.seqtypid, NULL) || ' ' || s.seqstart ||
  ' ' || s.seqincrement || ' ' || s.seqmin || ' ' || s.seqmax || ' ' || s.seqcache || ' ' ||
  s.seqcycle FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
  JOIN pg_sequence s ON s.seqrelid = c.oid WHERE n.nspname = :'schema'
UNION ALL
SELECT 'row security ' || c.relname || ' ' || c.relrowsecurity || c.relforcerowsecurity
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE n.nspname = :'schema' AND (c.relrowsecurity OR c.relforcerowsecurity)
UNION ALL
SELECT 'policy ' || c.relname || ' ' || p.polname || ' ' || p.polcmd::text || p.polpermissive || ' ' ||
  p.polroles::regrole[]::text || ' ' || COALESCE(pg_get_expr(p.polqual, p.polrelid), '') || ' ' ||
  COALESCE(pg_get_expr(p.polwithcheck, p.polrelid), '')
  FROM pg_policy p JOIN pg_class c ON c.oid = p.polrelid
  JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = :'schema'
UNION ALL
SELECT 'comment ' || pg_describe_object(d.classoid, d.objoid, d.objsubid) || ' = ' ||
  d.description FROM pg_description d WHERE d.objoid >= 16384
) lines ORDER BY line COLLATE "C";
