-- The person's contacts go with it.
delete from jur.t_contact_person
 where id = :id and n_row_version = :n_row_version
returning id
