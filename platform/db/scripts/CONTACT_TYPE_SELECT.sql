select id, c_name, n_row_version
  from jur.t_contact_type
 order by c_name
