-- The marks given by the criterion go with it.
delete from jur.t_criterion
 where id = :id and n_row_version = :n_row_version
returning id
