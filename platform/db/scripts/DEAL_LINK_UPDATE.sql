-- Whether a sheet is offered for linking; no row comes back when the sheet
-- changed meanwhile. The dialog's own b_add mark is not the server's and is
-- not returned.
update inv.t_shipping_sheet
   set b_block_deal_link = coalesce( :b_block_deal_link , false)
 where id = :id
   and n_row_version = :n_row_version
returning c_name, c_receiver, inv.c_sheet_products(id) as c_product, d_date, b_is_revert, b_block_deal_link,
          id, c_form, n_row_version
