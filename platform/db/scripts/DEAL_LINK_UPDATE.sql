-- Whether a sheet is offered for linking; no row comes back when the sheet
-- changed meanwhile.
update inv.t_shipping_sheet
   set b_block_deal_link = coalesce( :b_block_deal_link , false)
 where id = :id
   and n_row_version = :n_row_version
returning c_name, c_receiver, inv.c_sheet_products(id) as c_product, d_date, b_is_revert, b_block_deal_link,
          id, c_form, false as b_add, n_row_version
