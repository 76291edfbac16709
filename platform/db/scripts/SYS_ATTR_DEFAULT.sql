-- Positional: attribute, value. Sets a system attribute only where it is
-- still empty; returns the value it holds afterwards.
insert into sys.t_sys_attr as a (c_attr, c_value)
values ( :c_attr , :c_value )
on conflict (c_attr) do update
   set c_value = excluded.c_value
 where coalesce( a.c_value , '' ) = ''
returning c_value
