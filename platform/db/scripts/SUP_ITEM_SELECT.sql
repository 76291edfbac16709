-- The supplier's items with the names of the item, its family and its type.
select si.id, si.id_supplier, si.id_item,
       i.c_name as c_name_item, f.c_name as c_name_family, t.c_name as c_name_type,
       si.n_row_version
  from jur.t_supplier_item si
  join dirs.t_item i on i.id = si.id_item
  join dirs.t_item_family f on f.id = i.id_item_family
  join dirs.t_item_type t on t.id = f.id_type
 where si.id_supplier = :id_supplier
 order by t.c_name collate dirs.ru_natural, f.c_name collate dirs.ru_natural,
          i.c_name collate dirs.ru_natural, si.id
