update jur.t_criterion
   set c_name = btrim(:c_name), n_weight = :n_weight, c_description = :c_description
 where id = :id and n_row_version = :n_row_version
returning id, c_name, n_weight, c_description, n_row_version
