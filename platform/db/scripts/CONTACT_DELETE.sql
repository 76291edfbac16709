delete from jur.t_contact
 where id = :id and n_row_version = :n_row_version
returning id
