-- Sheets that no deal holds yet and that carry at least one of the deal's
-- items (:str_id_product, the item ids as "1, 2, 3").
select sh.c_name, sh.c_receiver, inv.c_sheet_products(sh.id) as c_product, sh.d_date, sh.b_is_revert,
       sh.b_block_deal_link, sh.id, sh.c_form, false as b_add, sh.n_row_version
  from inv.t_shipping_sheet sh
 where not exists (select 1 from jur.t_deal_link l where l.id_sheet = sh.id)
   and exists (select 1 from inv.t_shipping_sheet_item si
                where si.id_sheet = sh.id
                  and si.id_item = any (string_to_array(replace( :str_id_product , ' ', ''), ',')::bigint[]))
 order by sh.d_date desc, sh.id desc
