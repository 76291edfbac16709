-- The positions (b_okr false) or the development-work requests (b_okr true) of a deal.
select d.c_url, d.c_name, d.n_qty, d.d_execution, d.n_cost, d.n_sale_price,
       coalesce(s.n_qty_shipped, 0) as n_qty_shipped, d.id, d.id_deal, d.id_item, d.c_description,
       d.id_meas_unit, d.n_cost_add, d.b_add_nds, d.id_vat, d.b_okr, d.c_problems, d.b_ready_to_ship,
       d.n_row_version
  from jur.t_deal_details d
  left join lateral (
        select sum(si.n_qty) as n_qty_shipped
          from jur.t_deal_link l
          join inv.t_shipping_sheet sh on sh.id = l.id_sheet and not sh.b_is_revert
          join inv.t_shipping_sheet_item si on si.id_sheet = sh.id
         where l.id_deal = d.id_deal and si.id_item = d.id_item) s on true
 where d.id_deal = :id_deal
   and d.b_okr = :b_okr
 order by d.id
