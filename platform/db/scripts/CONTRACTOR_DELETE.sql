delete from jur.t_contractor
 where id = :id and n_row_version = :n_row_version
returning id
