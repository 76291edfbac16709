-- The threshold comes first, as text; c_value is what the directory writes.
select n_value::text as t_contractor_bad_rating_select, n_value as c_value, id, n_row_version
  from jur.t_rating_threshold
 where c_sys_name = 'BAD_SUPPLIER'
