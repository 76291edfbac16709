update jur.t_contractor_requis
   set id_requisite = :id_requisite, c_value = btrim(:c_value)
 where id = :id and n_row_version = :n_row_version
returning id, id_contractor, id_requisite, c_value, n_row_version
