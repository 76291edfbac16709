-- Live versions of the company's products, with the item each version is.
select pv.id, pv.id_product, pv.id_item, pv.c_version, p.c_name as c_product, i.c_name,
       pv.b_is_not_use
  from inv.t_product_version pv
  join inv.t_product p on p.id = pv.id_product
  join dirs.t_item i on i.id = pv.id_item
 where not pv.b_is_del
 order by p.c_name, pv.c_version, pv.id
