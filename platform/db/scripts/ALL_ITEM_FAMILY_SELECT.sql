select *
  from dirs.t_item_family_select(null)
 order by c_name, id
