select id_contractor, id_contractor_type, n_row_version
  from jur.t_cont_cont_type
 where id_contractor = :id_contractor
 order by id_contractor_type
