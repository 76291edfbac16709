update jur.t_contact_person
   set c_name = btrim(:c_name), c_post = :c_post
 where id = :id and n_row_version = :n_row_version
returning id, id_contractor, c_name, c_post, n_row_version
