delete from jur.t_contractor_requis
 where id = :id and n_row_version = :n_row_version
returning id
