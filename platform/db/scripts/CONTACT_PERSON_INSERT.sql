insert into jur.t_contact_person (id_contractor, c_name, c_post)
values (:id_contractor, btrim(:c_name), :c_post)
returning id, id_contractor, c_name, c_post, n_row_version
