-- The types that lead to a family the company makes: those holding such a
-- family, and every type above them.
with recursive product_types (id, id_parent) as (
    select t.id, t.id_parent
      from dirs.t_item_type t
     where exists (select 1
                     from dirs.t_item_family f
                     join inv.t_product p on p.id_item_family = f.id and not p.b_is_del
                    where f.id_type = t.id)
    union
    select t.id, t.id_parent
      from dirs.t_item_type t
      join product_types pt on pt.id_parent = t.id
)
select t.id, t.id_parent, t.c_name, t.id_class
  from dirs.t_item_type t
 where t.id in (select id from product_types)
 order by t.c_name, t.id
