select n_value::text as t_contractor_good_rating_select, n_value as c_value, id, n_row_version
  from jur.t_rating_threshold
 where c_sys_name = 'EXCELLENT_SUPPLIER'
