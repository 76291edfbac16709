select c_value, n_type
  from sys.t_user_attr
 where id_user = sys.current_user_id()
   and c_group = :group
   and c_key = :key
