select id, c_name, c_description, c_sys_name, b_not_delete, n_row_version
  from jur.t_requisites
 order by id
