-- A replaced item; no row comes back when somebody changed or removed the
-- row since it was read.
with si as (
    update jur.t_supplier_item
       set id_item = :id_item
     where id = :id and n_row_version = :n_row_version
    returning *
)
select si.id, si.id_supplier, si.id_item,
       i.c_name as c_name_item, f.c_name as c_name_family, t.c_name as c_name_type,
       si.n_row_version
  from si
  join dirs.t_item i on i.id = si.id_item
  join dirs.t_item_family f on f.id = i.id_item_family
  join dirs.t_item_type t on t.id = f.id_type
