select *
  from dirs.t_item_select(null)
 order by c_name, id
