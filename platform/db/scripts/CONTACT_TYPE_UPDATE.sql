update jur.t_contact_type
   set c_name = btrim(:c_name)
 where id = :id and n_row_version = :n_row_version
returning id, c_name, n_row_version
