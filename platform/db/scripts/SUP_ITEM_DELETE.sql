delete from jur.t_supplier_item
 where id = :id and n_row_version = :n_row_version
returning id
