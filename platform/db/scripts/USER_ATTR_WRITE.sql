insert into sys.t_user_attr (id_user, c_group, c_key, c_value, n_type)
values (sys.current_user_id(), :group, :key, :value, :type)
on conflict (id_user, c_group, c_key)
do update set c_value = excluded.c_value, n_type = excluded.n_type
