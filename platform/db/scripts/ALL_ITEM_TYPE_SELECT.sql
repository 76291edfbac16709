-- Every item type; the trees nest them by id_parent.
select id, id_parent, c_name, id_class
  from dirs.t_item_type
 order by c_name, id
