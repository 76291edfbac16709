select id, id_contractor, c_name, c_post, n_row_version
  from jur.t_contact_person
 where id_contractor = :id_contractor
 order by c_name, id
