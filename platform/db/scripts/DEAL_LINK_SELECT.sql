-- The shipping sheets linked to a deal; a link row carries the sheet's id.
select sh.c_name, sh.c_receiver, inv.c_sheet_products(sh.id) as c_product, sh.d_date, sh.b_is_revert,
       sh.id, l.id_deal, sh.c_form
  from jur.t_deal_link l
  join inv.t_shipping_sheet sh on sh.id = l.id_sheet
 where l.id_deal = :id_deal
 order by sh.d_date, sh.id
