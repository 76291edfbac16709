-- Bytes never become text by themselves. Without a cast of its own, the server
-- turns a bytea value put into a text column into its escaped text form
-- ('\xd096...') and stores that: a silent corruption. With an explicit cast
-- declared, such a value is a type error, while "value::text" still works.
-- Only a superuser may declare casts of built-in types; a database upgraded by
-- an ordinary role keeps the server's default and says so.
do $casts$
declare
    target text;
begin
    if not (select rolsuper from pg_roles where rolname = current_user) then
        raise warning 'bytea values put into text columns are stored as escaped text: '
                      'the casts that refuse them need a superuser (migration 0004)';
        return;
    end if;
    foreach target in array array['text', 'varchar', 'bpchar', 'name'] loop
        if not exists (select 1 from pg_cast
                        where castsource = 'bytea'::regtype and casttarget = target::regtype) then
            execute format('create cast (bytea as %s) with inout', target);
        end if;
    end loop;
end
$casts$;
