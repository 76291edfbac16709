-- The system name is fixed once the kind exists: programs look kinds up by it.
update jur.t_requisites
   set c_name = btrim(:c_name), c_description = :c_description
 where id = :id and n_row_version = :n_row_version
returning id, c_name, c_description, c_sys_name, b_not_delete, n_row_version
