select id, c_name, n_weight, c_description, n_row_version
  from jur.t_criterion
 order by n_weight desc, c_name
