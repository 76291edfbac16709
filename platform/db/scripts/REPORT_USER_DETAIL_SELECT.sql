select d.id_user, d.c_kind, d.c_name, d.c_value
  from (select r.id_user, 1 as n_order, 'Право' as c_kind, r.c_action as c_name, 'разрешено' as c_value
          from sys.t_right r
        union all
        select a.id_user, 2, 'Настройка', a.c_group || ' / ' || a.c_key,
               case when length(a.c_value) > 60 then left(a.c_value, 57) || '...' else a.c_value end
          from sys.t_user_attr a) d
 order by d.id_user, d.n_order, d.c_name
