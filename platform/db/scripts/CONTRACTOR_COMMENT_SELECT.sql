select id, id_contractor, id_creator, d_create, c_comment, n_row_version
  from jur.t_contractor_comment
 where id_contractor = :id_contractor
 order by d_create, id
