-- A type still used by contacts is refused by a trigger.
delete from jur.t_contact_type
 where id = :id and n_row_version = :n_row_version
returning id
