-- Kinds that are in use or marked b_not_delete are refused by a trigger.
delete from jur.t_requisites
 where id = :id and n_row_version = :n_row_version
returning id
