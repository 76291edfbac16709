update jur.t_rating_threshold
   set n_value = :c_value
 where id = :id and n_row_version = :n_row_version
returning n_value::text as t_contractor_good_rating_select, n_value as c_value, id, n_row_version
