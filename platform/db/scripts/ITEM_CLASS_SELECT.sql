select id, c_name, c_sys_name
  from dirs.t_item_class
 order by c_name
