delete from jur.t_cont_cont_type
 where id_contractor = :id_contractor and id_contractor_type = :id_contractor_type
   and n_row_version = :n_row_version
returning id_contractor
