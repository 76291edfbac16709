update jur.t_contractor_comment
   set c_comment = :c_comment
 where id = :id and n_row_version = :n_row_version
returning id, id_contractor, id_creator, d_create, c_comment, n_row_version
