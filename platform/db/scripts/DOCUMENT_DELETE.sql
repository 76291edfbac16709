-- A kept document goes; nothing is deleted when it changed meanwhile.
delete from lrg.t_document
 where id = :id
   and n_row_version = :n_row_version
returning id
