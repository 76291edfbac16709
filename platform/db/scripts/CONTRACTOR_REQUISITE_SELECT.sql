select id, id_contractor, id_requisite, c_value, n_row_version
  from jur.t_contractor_requis
 where id_contractor = :id_contractor
 order by id_requisite, id
